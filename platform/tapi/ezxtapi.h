#ifndef EZXTAPI_H
#define EZXTAPI_H

/*
 * Telephony library stand-in (docs/modem.md). The environment variable
 * EZX_MODEM chooses the modem:
 *   "modemmanager", "ofono": that service on the system bus
 *     (DBUS_SYSTEM_BUS_ADDRESS, else /run/dbus/system_bus_socket);
 *   "auto": ModemManager when it is on the system bus, else oFono, else
 *     no modem;
 *   any other text: the path of an INI file describing a simulated modem,
 *     section [Modem].
 * Without EZX_MODEM, or when it names no file, there is no modem: the
 * queries fail with TAPI_ERROR_NO_MODEM and TAPI_CLIENT_Init returns -1.
 *
 * Results: 0 is success. A failure is either one of the TAPI_ERROR_ codes
 * below or the error code the modem file configures for that call, returned
 * as it is. A failed call leaves the caller's buffer as it was. No call
 * waits longer than its time-outs (docs/modem.md).
 */

/*
 * The calls are not told the size of the caller's buffer. Each writes at
 * most this many bytes, the terminating zero included, cutting a longer
 * value to fit; a caller's buffer must be at least this large.
 */
#define TAPI_IMSI_BUFFER_SIZE 16           /* 15 digits at most */
#define TAPI_IMEI_BUFFER_SIZE 16           /* 15 digits */
#define TAPI_SERVICE_CENTER_BUFFER_SIZE 48
/* The message record handed to TAPI_SMS_SendSmBlockMode. */
#define TAPI_SMS_RECORD_SIZE 6500

#define TAPI_ERROR_NO_MODEM 100     /* no modem file configured; no modem on the service */
#define TAPI_ERROR_NO_VALUE 101     /* the modem lacks the value asked for */
#define TAPI_ERROR_BAD_ARGUMENT 102 /* a null buffer or record; a record without a number */
#define TAPI_ERROR_OUTBOX 103       /* no outbox configured, or it cannot be written */
#define TAPI_ERROR_NO_SERVICE 104   /* the modem service is not on the system bus, or no bus */
#define TAPI_ERROR_NO_SIM 105       /* no modem holds a SIM card */
#define TAPI_ERROR_SIM_LOCKED 106   /* the SIM card asks for its PIN or PUK */
#define TAPI_ERROR_DBUS 107         /* the service answered with a D-Bus error or a wrong reply */
#define TAPI_ERROR_TIMEOUT 108      /* no answer, or the message not sent, in time */
#define TAPI_ERROR_SEND_FAILED 109  /* the service reports the message failed */

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Opens a client: (NULL, 0) for queries, (pointer to the 16-bit value 780, 1)
 * for sending. Returns a positive client handle, -1 without a modem (or
 * without the modem service on the bus), or the configured InitError.
 */
int TAPI_CLIENT_Init(void* arg, int count);

/* Ends a client. Always 0. */
int TAPI_CLIENT_Fini(void);

/* The SIM card's IMSI as zero-terminated text, at most TAPI_IMSI_BUFFER_SIZE bytes. */
int TAPI_ACCE_GetImsi(char* imsi);

/* The phone's IMEI as zero-terminated text, at most TAPI_IMEI_BUFFER_SIZE bytes. */
int TAPI_ACCE_GetImei(char* imei);

/* The service-centre number, at most TAPI_SERVICE_CENTER_BUFFER_SIZE bytes. */
int TAPI_SMS_GetServiceCenter(char* number);

/*
 * Sends one message. The simulated modem appends the TAPI_SMS_RECORD_SIZE
 * bytes of record, exactly as given, to its outbox file and returns when
 * they are written; a D-Bus modem sends the record's number and text and
 * returns when the service reports the message sent. On success *result
 * (when not NULL) is set to 0.
 */
int TAPI_SMS_SendSmBlockMode(void* record, unsigned char* result);

#ifdef __cplusplus
}
#endif

#endif
